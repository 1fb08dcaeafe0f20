#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "app/ArgumentText.h"
#include "devicelink/AttachedDevice.h"

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
                       "line's time and the lines sent, and starts and stops a log."));
    // Qt's own -platform and the like are single-dash words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print these options and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Put ID into the Target USB box, e.g. demo or vid_04d8&pid_0011."),
        QStringLiteral("ID"));
    const QCommandLineOption open(QStringLiteral("open"),
                                  QStringLiteral("Press Open once the window is shown."));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append every received line to FILE, with its local time, "
                                                "and each line sent, open and close."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append every USB library call to FILE, with the bytes of each packet."),
        QStringLiteral("FILE"));
    const QCommandLineOption list(
        QStringLiteral("list"),
        QStringLiteral("Print the devices Pellmark could talk to, and whether each can be "
                       "opened, and exit."));
    const QCommandLineOption reopen(
        QStringLiteral("reopen"),
        QStringLiteral("Reopen the device when it returns after leaving (a reset or a new firmware)."));
    const QCommandLineOption times(QStringLiteral("times"),
                                   QStringLiteral("Show the time each line came, beside it."));
    const QCommandLineOption echo(
        QStringLiteral("echo"),
        QStringLiteral("Show each line sent among the received lines, marked as sent."));
    for (const QCommandLineOption& option :
         {help, version, device, open, log, trace, list, reopen, times, echo})
        parser.addOption(option);
    AddQtOptions(parser);

    CommandLine result;
    auto stop = [&result](int status, const QString& output) {
        result.exitStatus = status;
        result.output = output;
        return result;
    };
    const QString helpText = HelpText(parser, arguments);
    if (!parser.parse(arguments))
        return stop(2, QStringLiteral("pellmark: %1\n\n%2").arg(parser.errorText(), helpText));
    if (!parser.positionalArguments().isEmpty())
        return stop(2, QStringLiteral("pellmark: unexpected argument '%1'.\n\n%2")
                           .arg(parser.positionalArguments().first(), helpText));
    if (parser.isSet(help))
        return stop(0, helpText);
    if (parser.isSet(version))
        return stop(0, QStringLiteral("pellmark " PELLMARK_VERSION "\n"));
    if (parser.isSet(list))
        return stop(0, QString::fromStdString(AttachedDevicesText()));
    result.session = {parser.value(device),
                      parser.isSet(open),
                      PathOfArgument(parser.value(log)),
                      PathOfArgument(parser.value(trace)),
                      parser.isSet(reopen),
                      parser.isSet(times),
                      parser.isSet(echo)};
    return result;
}
