#pragma once
#include "app/session/Dialogs.h"

class QWidget;
class TChessBrd;

// The real boxes (QMessageBox, QInputDialog), modal to parent; all texts are shown as plain text.
// The promotion chooser draws the pieces of board; without one it answers the queen.
class TQtDialogs final : public TDialogs {
  public:
    explicit TQtDialogs(QWidget *parent = nullptr, const TChessBrd *board = nullptr)
        : parent_(parent), board_(board) {}

    void Notice(const QString &text) override;
    bool Confirm(const QString &text) override;
    bool ConfirmWhile(const QString &text, const std::function<bool()> &stillWanted) override;
    void Refusal(const QString &text) override;
    void ErrorBox(const QString &text) override;
    bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                    int maxLength = 0) override;
    // An editable list: the players found, kept up to date while the box is open (ConnectBox.cpp).
    bool ConnectQuery(const QString &caption, const QString &prompt, QString &text, int maxLength,
                      const TConnectOffers &offers) override;
    char ChoosePromotion(bool white) override;
    QString SaveFileName(const QString &caption, const QString &suggested,
                         const QString &filter) override;

  private:
    QWidget *parent_;
    const TChessBrd *board_;
};
