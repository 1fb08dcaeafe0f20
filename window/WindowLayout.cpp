#include <QApplication>
#include <QLineEdit>
#include <limits>

#include "window/AppIcon.h"
#include "window/FontFit.h"
#include "window/FrmCom3.h"
#include "window/Twips.h"

namespace {

const QColor LIGHT_CYAN(128, 255, 255);
constexpr int CLIENT_WIDTH = 6270;
constexpr int CLIENT_HEIGHT = 7260;
constexpr int STATUS_HEIGHT = 255;
// Neither text box limits what can be typed (QLineEdit's own default is 32767).
constexpr int NO_LENGTH_LIMIT = std::numeric_limits<int>::max();

QFont FontOf(const QStringList& families, double points, QFont::StyleHint hint)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* MakeLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
}

// A control of the window, named as its member is.
template <typename Control> Control* Named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace

void FrmCom3::BuildLayout()
{
    SetUpWindow();
    CreateControls();
    DescribeControls();
    // The default identifier is the widest text the connection row shows.
    setFont(FittingFont(font(), {{Label1, Label1->text()},
                                 {cmbDesc, DEFAULT_DEVICE},
                                 {cmdPrepare, QString(cmdPrepare->text()).remove(u'&')},
                                 {cmdClose, QString(cmdClose->text()).remove(u'&')},
                                 {cmdCls, cmdCls->text()},
                                 {cmdSend, cmdSend->text()}}));
    Label2->setFont(FittingFont(Label2->font(), {{Label2, Label2->text()}}));

    setTabOrder(cmbDesc, cmdPrepare);
    setTabOrder(cmdPrepare, cmdClose);
    setTabOrder(cmdClose, cmdCls);
    setTabOrder(cmdCls, txtSend);
    setTabOrder(txtSend, txtReceive);
    setTabOrder(txtReceive, cmdSend);
}

void FrmCom3::SetUpWindow()
{
    setWindowTitle(TITLE);
    setWindowIcon(AppIcon());
    // It opens at the layout's size and can grow and be maximised, never shrink below it.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(TwipsToPixels(CLIENT_WIDTH), TwipsToPixels(CLIENT_HEIGHT));
    resize(minimumSize());
    QPalette background = palette();
    background.setColor(QPalette::Window, LIGHT_CYAN);
    setPalette(background);
    setAutoFillBackground(true);
    // The default user-interface face of a Japanese desktop, or its stand-in.
    setFont(FontOf({"MS UI Gothic", "IPAPGothic"}, 9, QFont::SansSerif));
}

void FrmCom3::CreateControls()
{
    // Created in tab-index order; later siblings are drawn above earlier ones,
    // so the combo box stays whole over the label box that reaches under it.
    Label1 = Named(MakeLabel(QStringLiteral("Target USB"), this), "Label1");

    sbrMessage = Named(new StatusBar(this), "sbrMessage");
    QPalette standard = sbrMessage->palette(); // the platform's colours, not the window's cyan
    standard.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    sbrMessage->setPalette(standard);
    sbrMessage->setAutoFillBackground(true);

    cmbDesc = Named(new DeviceBox(this), "cmbDesc");
    cmbDesc->setEditable(true);
    cmbDesc->setInsertPolicy(QComboBox::NoInsert);
    cmbDesc->setCompleter(nullptr);
    cmbDesc->lineEdit()->setMaxLength(NO_LENGTH_LIMIT);
    cmbDesc->setEditText(QStringLiteral("vid_0b2d&pid_0052"));

    cmdPrepare = Named(new QPushButton(QStringLiteral("Open(&O)"), this), "cmdPrepare");
    cmdClose = Named(new QPushButton(QStringLiteral("Close(&C)"), this), "cmdClose");
    cmdCls = Named(new QPushButton(QStringLiteral("CLS"), this), "cmdCls");

    txtSend = Named(new QLineEdit(this), "txtSend");
    txtSend->setMaxLength(NO_LENGTH_LIMIT);

    txtReceive = Named(new ReceiveArea(this), "txtReceive");
    txtReceive->setFont(FontOf({"FixedSys", "IPAGothic"}, 13.5, QFont::Monospace));

    Label2 = Named(MakeLabel(QStringLiteral("Send Message"), this), "Label2");
    Label2->setFont(FontOf({QStringLiteral("ＭＳ Ｐゴシック"), "IPAPGothic"}, 12, QFont::SansSerif));

    cmdSend = Named(new QPushButton(QStringLiteral("Send"), this), "cmdSend");
    // Last, so that it lies over the receive area when shown.
    findBar = new FindBar(*txtReceive, *txtSend, this);
    PlaceControls();
}

void FrmCom3::PlaceControls()
{
    // Room beyond the layout's size: the buttons keep their size and their
    // distance from the right edge, the device box and the send box take the
    // width their rows gain, the receive area the width and the height.
    const int wider = width() - TwipsToPixels(CLIENT_WIDTH), taller = height() - TwipsToPixels(CLIENT_HEIGHT);
    Label1->setGeometry(TwipsRect(240, 160, 1215, 255));
    Label2->setGeometry(TwipsRect(240, 600, 1575, 375));
    cmbDesc->setGeometry(TwipsRect(1200, 120, 1935, 300).adjusted(0, 0, wider, 0));
    txtSend->setGeometry(TwipsRect(1920, 600, 2775, 350).adjusted(0, 0, wider, 0));
    cmdPrepare->setGeometry(TwipsRect(3240, 120, 852, 252).translated(wider, 0));
    cmdClose->setGeometry(TwipsRect(4200, 120, 852, 252).translated(wider, 0));
    cmdCls->setGeometry(TwipsRect(5160, 120, 855, 255).translated(wider, 0));
    cmdSend->setGeometry(TwipsRect(5040, 600, 855, 350).translated(wider, 0));
    txtReceive->setGeometry(TwipsRect(120, 1080, 6015, 5895).adjusted(0, 0, wider, taller));
    const int status = TwipsToPixels(STATUS_HEIGHT);
    sbrMessage->setGeometry(0, height() - status, width(), status);
    findBar->Place();
}

void FrmCom3::DescribeControls()
{
    // What a screen reader says: the caption that names each control, without
    // its access-key mark. The status bar reads out its current message.
    for (auto [label, control] : {std::pair<QLabel*, QWidget*>{Label1, cmbDesc}, {Label2, txtSend}}) {
        label->setBuddy(control); // where the name comes from on Linux
        control->setAccessibleName(label->text());
    }
    txtReceive->setAccessibleName(QStringLiteral("Received lines"));
    for (QPushButton* button : {cmdPrepare, cmdClose, cmdCls, cmdSend}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setAccessibleName(QString(button->text()).remove(u'&'));
    }
}
