#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "app/ArgumentText.h"
#include "devicelink/DeviceListing.h"

namespace {

// Qt's own options, as QGuiApplication and QApplication document them, are
// taken by the application object after this parse, in any form Qt reads:
// -reverse, --reverse, -style fusion, -style=fusion.
void AddQtOptions(QCommandLineParser& parser)
{
    struct QtOption {
        const char* name;
        bool takesValue;
    };
    static constexpr QtOption QT_OPTIONS[] = {
        {"platform", true},      {"platformpluginpath", true},
        {"platformtheme", true}, {"plugin", true},
        {"qmljsdebugger", true}, {"qwindowgeometry", true},
        {"qwindowicon", true},   {"qwindowtitle", true},
        {"reverse", false},      {"session", true},
        {"display", true},       {"geometry", true},
        {"style", true},         {"stylesheet", true},
        {"widgetcount", false},
    };
    for (const QtOption& qt : QT_OPTIONS) {
        QCommandLineOption qtOption(QLatin1String(qt.name), QString(),
                                    qt.takesValue ? QStringLiteral("value") : QString());
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
}

// Our options, in the order the help lists them.
void AddOwnOptions(QCommandLineParser& parser)
{
    struct OwnOption {
        QStringList names;
        const char* description;
        const char* value = nullptr; // the name of its value, for one that takes one
    };
    const OwnOption OWN_OPTIONS[] = {
        {{"h", "help"}, "Print these options and exit."},
        {{"v", "version"}, "Print the version and exit."},
        {{"device"}, "Put ID into the Target USB box, e.g. demo or vid_04d8&pid_0011.", "ID"},
        {{"open"}, "Press Open once the window is shown."},
        {{"log"},
         "Append every received line to FILE, with its local time, and each line sent, open and close.",
         "FILE"},
        {{"trace"}, "Append every USB library call to FILE, with the bytes of each packet.", "FILE"},
        {{"list"}, "Print the devices Pellmark could talk to, and whether each can be opened, and exit."},
        {{"reopen"}, "Reopen the device when it returns after leaving (a reset or a new firmware)."},
        {{"times"}, "Show the time each line came, beside it."},
        {{"echo"}, "Show each line sent among the received lines, marked as sent."},
        {{"bytes"}, "Show after each line the bytes it came from, in hex."},
        {{"script"}, "Run the script in FILE once the window is shown (after --open's Open).", "FILE"},
        {{"tap"}, "Write the script's results to FILE as TAP once it has run.", "FILE"},
        {{"junit"}, "Write the script's results to FILE as JUnit XML once it has run.", "FILE"},
        {{"no-settings"}, "Start as at a first start: read no settings and write none."},
    };
    for (const OwnOption& own : OWN_OPTIONS)
        parser.addOption(QCommandLineOption(own.names, QString::fromUtf8(own.description),
                                            own.value ? QString::fromLatin1(own.value) : QString()));
}

// Qt names the program in the usage line only once an application object
// exists; this parse comes before it.
QString HelpText(const QCommandLineParser& parser, const QStringList& arguments)
{
    QString helpText = parser.helpText();
    const QString name =
        arguments.isEmpty() ? QStringLiteral("pellmark") : QFileInfo(arguments.first()).fileName();
    helpText.replace(0, helpText.indexOf(u'\n'), QStringLiteral("Usage: %1 [options]").arg(name));
    return helpText;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Line terminal for USB microcontroller devices. Type \"demo\" into the "
                       "Target USB box and press Open to try it without hardware.\n\n"
                       "In the send box, Up and Down recall the lines sent in this run, and Ctrl+F "
                       "finds text among the received lines. The receive area's menu shows each "
                       "line's time, the lines sent and the bytes of each line, starts and stops a log, "
                       "and runs a script."));
    // Qt's own -platform and the like are single-dash words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddOwnOptions(parser);
    AddQtOptions(parser);

    CommandLine result;
    auto stop = [&result](int status, const QString& output) {
        result.exitStatus = status;
        result.output = output;
        return result;
    };
    auto set = [&parser](const char* name) { return parser.isSet(QLatin1String(name)); };
    auto value = [&parser](const char* name) { return parser.value(QLatin1String(name)); };
    const QString helpText = HelpText(parser, arguments);
    if (!parser.parse(arguments))
        return stop(2, QStringLiteral("pellmark: %1\n\n%2").arg(parser.errorText(), helpText));
    if (!parser.positionalArguments().isEmpty())
        return stop(2, QStringLiteral("pellmark: unexpected argument '%1'.\n\n%2")
                           .arg(parser.positionalArguments().first(), helpText));
    if (set("help"))
        return stop(0, helpText);
    if (set("version"))
        return stop(0, QStringLiteral("pellmark " PELLMARK_VERSION "\n"));
    if (set("list"))
        return stop(0, QString::fromStdString(AttachedDevicesText()));
    result.session = {value("device"),
                      set("open"),
                      PathOfArgument(value("log")),
                      PathOfArgument(value("trace")),
                      set("reopen"),
                      set("times"),
                      set("echo"),
                      set("bytes"),
                      PathOfArgument(value("script")),
                      PathOfArgument(value("tap")),
                      PathOfArgument(value("junit")),
                      !set("no-settings"),
                      {}};
    return result;
}
