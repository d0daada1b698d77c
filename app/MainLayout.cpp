#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/GameAutosave.h"
#include "app/StatusPanels.h"
#include "app/session/SocketTransport.h"
#include "board/ChessBrd.h"
#include "net/Discovery.h"
#include "resources/Resources.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                        bool glyph) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    if (glyph)
        button->setIcon(QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name))));
    return button;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, QPoint at) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(at);
    label->adjustSize();
    return label;
}

// A clock field: read-only by being disabled, no frame.
QLineEdit *MakeClock(QWidget *parent, const char *name, QRect geometry) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setFrame(false);
    edit->setEnabled(false);
    return edit;
}

QPlainTextEdit *MakeMemo(QWidget *parent, const char *name, const QString &hint, QRect geometry) {
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QLatin1String(name));
    memo->setGeometry(geometry);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines wrap at word boundaries (a word wider than the box breaks anywhere), so only
    // the vertical scroll bar is ever needed.
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->viewport()->setCursor(Qt::ArrowCursor);
    memo->setToolTip(hint);
    memo->setTabChangesFocus(true);
    return memo;
}

// The classic desktop grey of inactive caption text and menus.
constexpr QRgb ClassicGrey = qRgb(212, 208, 200);

} // namespace

TMainForm::TMainForm(TMainFormSeams seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialogsUsed_(seams.Dialogs), localAddresses_(std::move(seams.LocalAddresses)),
      localInterfaces_(std::move(seams.LocalInterfaces)), quit_(std::move(seams.Quit)),
      autosaveDir_(seams.AutosaveFolder.isEmpty() ? TGameAutosave::DefaultFolder()
                                                  : seams.AutosaveFolder),
      alert_(std::move(seams.Alert)), playerName_(seams.SettingsFile, seams.AccountName) {
    InitBoardwickResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Boardwick ver 1.01"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/boardwick.png")));
    setFixedSize(433, 441);
    move(149, 5);
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    setFont(font);

    BuildLayout();
    BuildMoveListMenu();
    BuildBoard();
    BuildWindowMenu();
    if (!dialogsUsed_) {
        ownDialogs_ = std::make_unique<TQtDialogs>(this, ChessBrd1);
        dialogsUsed_ = ownDialogs_.get();
    }
    BuildTray(std::move(seams.TrayShell));

    auto sockets = std::make_unique<TSocketTransport>(seams.ListenPort, seams.CallPort);
    sockets_ = sockets.get();
    TSessionSeams sessionSeams;
    LoadKey(seams.KeyFolder, *sockets);
    if (!seams.KeyFolder.isEmpty())
        sessionSeams.KnownPeersFile = seams.KeyFolder + QStringLiteral("/known_opponents");
    sessionSeams.LookUpName = std::move(seams.PeerNameLookup);
    sessionSeams.Offers = [this] { return players_.Offers(); };
    sessionSeams.KeepGame = [folder = autosaveDir_](const std::string &pgn, QString &reason) {
        TGameAutosave autosave(folder);
        if (autosave.Append(pgn))
            return true;
        reason = autosave.LastError();
        return false;
    };
    session_ = std::make_unique<TSession>(*ChessBrd1, static_cast<TSessionView &>(*this), Dialogs(),
                                          std::move(sockets), std::move(sessionSeams));
    session_->SetPlayerName(playerName_.Name());

    FormCreate();
    if (seams.ForwardPort && session_->Link().Listening())
        StartForwarding(std::move(seams.PortGateway));
    if (seams.Discover)
        StartDiscovery(seams.CallPort);
}

// The board outlives this body: its drags must not reach a session that is gone.
TMainForm::~TMainForm() {
    ChessBrd1->OnStartDrag = nullptr;
    ChessBrd1->OnEndDrag = nullptr;
    session_.reset();
}

void TMainForm::BuildLayout() {
    BitBtn3 = MakeButton(this, "BitBtn3", QStringLiteral("New Game"), {8, 0, 97, 25}, true);
    BitBtn4 = MakeButton(this, "BitBtn4", QStringLiteral("Resign Game"), {104, 0, 97, 25}, true);
    BitBtn4->setEnabled(false);
    Button1 = MakeButton(this, "Button1", QStringLiteral("White on Top"), {200, 0, 97, 25}, false);
    BitBtn6 = MakeButton(this, "BitBtn6", QStringLiteral("Connect"), {296, 0, 89, 25}, true);
    BitBtn5 = MakeButton(this, "BitBtn5", QString(), {400, 0, 25, 25}, true);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Your IP is :"), {312, 26});
    Label4 = MakeLabel(this, "Label4", QString(), {320, 40});
    Label5 = MakeLabel(this, "Label5", QStringLiteral("Your opponent is : "), {312, 58});
    Label6 = MakeLabel(this, "Label6", QString(), {320, 72});
    Label1 = MakeLabel(this, "Label1", QStringLiteral("White time :"), {312, 114});
    Label7 = MakeLabel(this, "Label7", QStringLiteral("Black time :"), {312, 138});
    for (QLabel *centred : {Label1, Label7}) {
        centred->setFixedHeight(20);
        centred->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Move list :"), {312, 162});
    Edit2 = MakeClock(this, "Edit2", {376, 114, 41, 20});
    Edit1 = MakeClock(this, "Edit1", {376, 138, 41, 20});

    Memo = MakeMemo(this, "Memo", QStringLiteral("Move List"), {312, 178, 113, 121});
    BitBtn1 = MakeButton(this, "BitBtn1", QString(), {312, 306, 17, 17}, true);
    Button2 = MakeButton(this, "Button2", QStringLiteral("< OFF >"), {336, 306, 65, 17}, false);
    BitBtn2 = MakeButton(this, "BitBtn2", QString(), {408, 306, 17, 17}, true);
    for (QPushButton *step : {BitBtn1, Button2, BitBtn2})
        step->setEnabled(false);

    Memo1 = MakeMemo(this, "Memo1", QStringLiteral("Messages Window"), {8, 328, 417, 57});
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->setMaximumBlockCount(MaxMessageLines); // a peer cannot grow it without bound
    QPalette grey = Memo1->palette();
    grey.setColor(QPalette::Base, QColor(ClassicGrey));
    Memo1->setPalette(grey);

    Edit4 = new QLineEdit(this);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setGeometry(8, 386, 417, 20);
    Edit4->setToolTip(QStringLiteral("Type here to sent message"));
    Edit4->setPalette(grey);
    Edit4->installEventFilter(this);

    StatusBar1 = new TStatusPanels(150, 150, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, 422, 433, 19);

    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMainForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMainForm::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TMainForm::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TMainForm::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TMainForm::BitBtn6Click);
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);

    // Focus order; the board and the messages window are not tab stops.
    const QList<QWidget *> order{BitBtn3, BitBtn4, Button1, BitBtn6, BitBtn5, Memo,
                                 BitBtn1, Button2, BitBtn2, Edit4,   Edit2,   Edit1};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

quint16 TMainForm::ListeningPort() const {
    return session_->Link().ListeningPort();
}

void TMainForm::closeEvent(QCloseEvent *event) {
    FormClose();
    QWidget::closeEvent(event);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Edit4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Edit4KeyDown(13);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
