#include "app/Unit1.h"

#include "app/Dialogs.h"
#include "app/session/IntegerSyntax.h"
#include "components/URL.h"
#include "resources/Resources.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>

namespace {

const QRect ClientArea(152, 84, 328, 310); // left and top of the frame
// The product name fills the places of its initial and its two lines of letters.
const QRect ProductNameArea(8, 0, 141, 109);
// Labels size themselves to their text from these corners (42 x 13 and 168 x 13 in the box's font).
const QPoint VersionPlace(128, 72);
const QRect PictureArea(192, 24, 105, 105);
const QPoint LinkPlace(16, 124);
const QRect TextArea(8, 184, 313, 89);
const QRect OkArea(120, 280, 73, 25);

// Longest answer the time box takes, as the platform's input box does.
constexpr int TimeInputLength = 255;

const char InformationText[] =
    "Boardwick lets two people play chess over a direct network connection and talk "
    "while they play.\n\n"
    "Start the program on both computers. One player tells the other the address shown "
    "under \"Your IP is :\"; the other presses Connect and types it in. Once connected, "
    "either player may start a new game; each program runs both clocks.\n\n"
    "The buttons under the move list ask the opponent to step one move back or forward; "
    "the middle one asks to switch that stepping off or on.";

QLabel *PictureLabel(QWidget *parent, const QString &resource, const QRect &area) {
    auto *label = new QLabel(parent);
    label->setGeometry(area);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPixmap picture(resource);
    if (picture.width() > area.width() || picture.height() > area.height())
        picture = picture.scaled(area.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    label->setPixmap(picture);
    return label;
}

} // namespace

TForm1::TForm1(QWidget *parent, TDialogs *dialogs) : QDialog(parent) {
    if (!dialogs) {
        ownDialogs_ = std::make_unique<TQtDialogs>(this);
        dialogs = ownDialogs_.get();
    }
    dialogs_ = dialogs;
    InitBoardwickResources();
    BuildLayout();
}

TForm1::~TForm1() = default;

QString TForm1::WebAddress() {
    return QStringLiteral("http://boardwick.example.org/");
}

void TForm1::BuildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("About !"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Placed by its frame, as the main window is; the size is the client area's.
    move(ClientArea.topLeft());
    setFixedSize(ClientArea.size());
    QFont boxFont(QStringLiteral("MS Sans Serif"));
    boxFont.setPixelSize(11);
    setFont(boxFont);

    ProductName = PictureLabel(this, QStringLiteral(":/about/ProductName.png"), ProductNameArea);
    ProductName->setObjectName(QStringLiteral("ProductName"));

    Label5 = new QLabel(QStringLiteral("ver. 1.01"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->move(VersionPlace);
    Label5->adjustSize();
    Label5->raise(); // over the product name's artwork
    Label5->installEventFilter(this);

    Image1 = PictureLabel(this, QStringLiteral(":/about/Picture.png"), PictureArea);
    Image1->setObjectName(QStringLiteral("Image1"));

    URL1 = new TURL(this);
    URL1->setObjectName(QStringLiteral("URL1"));
    URL1->move(LinkPlace);
    URL1->SetCaption(WebAddress());

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(TextArea);
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    RichEdit1->setPlainText(QString::fromUtf8(InformationText));

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(OkArea);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);

    setTabOrder(Button1, RichEdit1);
    Button1->setFocus();
}

void TForm1::Button1Click() {
    accept();
}

void TForm1::Label5DblClick(QObject *) {
    if (GameInProgress && GameInProgress())
        return;
    QString text;
    if (!dialogs_->InputQuery(QStringLiteral("Time Setting"), QStringLiteral("Insert time"), text,
                              TimeInputLength))
        return;
    int minutes = 0;
    try {
        minutes = StrToInt(text);
    } catch (const EConvertError &failure) {
        dialogs_->ShowException(failure);
        return;
    }
    if (SetTimePerSide)
        SetTimePerSide(std::clamp(minutes, MinimumTimePerSide, MaximumTimePerSide));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Label5 && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label5DblClick(Label5);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
