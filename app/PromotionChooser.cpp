#include "app/PromotionChooser.h"

#include "board/ChessBrd.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace {

const char *PieceName(char letter) {
    switch (letter) {
    case 'R':
        return "Rook";
    case 'B':
        return "Bishop";
    case 'N':
        return "Knight";
    default:
        return "Queen";
    }
}

} // namespace

TPromotionChooser::TPromotionChooser(QWidget *parent, const std::array<QImage, 4> &pictures)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Promote pawn"));
    setModal(true);
    auto *row = new QHBoxLayout(this);
    for (std::size_t i = 0; i < PromotionLetters.size(); ++i) {
        const char letter = PromotionLetters[i];
        auto *button = new QPushButton(this);
        const QString name = QString::fromLatin1(PieceName(letter));
        if (pictures[i].isNull()) {
            button->setText(QString(QLatin1Char(letter)));
        } else {
            button->setIcon(QIcon(QPixmap::fromImage(pictures[i])));
            button->setIconSize(pictures[i].size());
        }
        button->setToolTip(name);
        button->setAccessibleName(name);
        connect(button, &QPushButton::clicked, this, [this, letter] { Choose(letter); });
        row->addWidget(button);
        buttons_[i] = button;
    }
    buttons_[0]->setDefault(true);
    buttons_[0]->setFocus();
}

QPushButton *TPromotionChooser::Button(char letter) const {
    for (std::size_t i = 0; i < PromotionLetters.size(); ++i)
        if (PromotionLetters[i] == letter)
            return buttons_[i];
    return nullptr;
}

void TPromotionChooser::keyPressEvent(QKeyEvent *event) {
    const QString text = event->text().toUpper();
    if (text.size() == 1 && event->modifiers() == Qt::NoModifier) {
        const char letter = text.at(0).toLatin1();
        if (Button(letter) != nullptr) {
            Choose(letter);
            return;
        }
    }
    // Esc rejects, which leaves the queen; arrows and Enter behave as in any dialog.
    QDialog::keyPressEvent(event);
}

void TPromotionChooser::Choose(char letter) {
    choice_ = letter;
    accept();
}

std::array<QImage, 4> PromotionPictures(const TChessBrd &board, bool white) {
    std::array<QImage, 4> pictures;
    const QColor square = ResolveColor(board.SquareColorLight());
    for (std::size_t i = 0; i < PromotionLetters.size(); ++i) {
        const char letter =
            white ? PromotionLetters[i] : static_cast<char>(PromotionLetters[i] + 32);
        const QImage &piece = board.PieceImages().Image(board.PieceImageIndex(letter));
        if (piece.isNull())
            continue;
        QImage picture(piece.size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(square);
        QPainter painter(&picture);
        painter.drawImage(0, 0, piece);
        pictures[i] = picture;
    }
    return pictures;
}

char ChoosePromotion(QWidget *parent, const TChessBrd &board, bool white) {
    // Owned by parent and deleted on closing, so it is never touched after the nested loop: the
    // answer is taken as it finishes. A chooser that goes with its parent leaves the queen.
    auto *chooser = new TPromotionChooser(parent, PromotionPictures(board, white));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    char choice = 'Q';
    QObject::connect(chooser, &QDialog::finished, chooser,
                     [&choice, chooser] { choice = chooser->Choice(); });
    chooser->exec();
    return choice;
}
