#pragma once
#include <QDialog>
#include <QImage>

#include <array>

class QPushButton;
class TChessBrd;

// The pieces a pawn can become, in the order the chooser shows them; the queen is the default.
inline constexpr std::array<char, 4> PromotionLetters{'Q', 'R', 'B', 'N'};

// A small modal chooser: one button per piece, queen first and focused. A click, Enter on the
// focused button, or the letter Q, R, B or N chooses; Esc or closing the window means the queen.
class TPromotionChooser final : public QDialog {
    Q_OBJECT
  public:
    // pictures: the queen, rook, bishop and knight of the mover's colour, ready to show;
    // a null picture shows the piece's letter instead.
    TPromotionChooser(QWidget *parent, const std::array<QImage, 4> &pictures);

    // 'Q', 'R', 'B' or 'N'; 'Q' unless another piece was chosen.
    char Choice() const { return choice_; }
    QPushButton *Button(char letter) const;

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void Choose(char letter);

    std::array<QPushButton *, 4> buttons_{};
    char choice_ = 'Q';
};

// The four pictures for the chooser in the board's own artwork, each piece on a light square.
std::array<QImage, 4> PromotionPictures(const TChessBrd &board, bool white);

// Runs the chooser modally over parent and answers 'Q', 'R', 'B' or 'N'. Its nested event loop lets
// other events run meanwhile: the caller checks afterwards that the move is still wanted.
char ChoosePromotion(QWidget *parent, const TChessBrd &board, bool white);
