#pragma once
#include <QString>

#include <exception>

class QWidget;
class TChessBrd;

// Every modal box the program shows goes through this interface, so tests can script the answers.
// Boxes captioned with the application title use QCoreApplication::applicationName().
class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // Plain notice: application title, no icon, OK.
    virtual void Notice(const QString &text) = 0;
    // Consent question: "Confirm", question icon, Yes and No. True only for Yes.
    virtual bool Confirm(const QString &text) = 0;
    // Refusal notice: "Error", error icon, a single Yes button.
    virtual void Refusal(const QString &text) = 0;
    // Unhandled failure: application title, error icon, OK; text shown as given.
    virtual void ErrorBox(const QString &text) = 0;
    // Text input with OK and Cancel; text is the initial value and receives the answer on OK.
    // maxLength 0 = no limit. True for OK.
    virtual bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                            int maxLength = 0) = 0;
    // The piece a pawn of that colour becomes, chosen from the board's artwork: 'Q', 'R', 'B' or
    // 'N'; the queen unless another is chosen.
    virtual char ChoosePromotion(const TChessBrd &board, bool white) = 0;
    // A file to write, suggested first; empty when cancelled. filter as in Qt's file dialogs.
    virtual QString SaveFileName(const QString &caption, const QString &suggested,
                                 const QString &filter) = 0;

    // Shows a failure that left an event handler, with the full-stop rule of FailureText.
    void ShowException(const std::exception &failure);
};

// The text of an unhandled failure's box: the message, plus "." when its last character's code
// is greater than that of '.' (so "... error 10061" gains one and "... on API 'connect'" does not).
QString FailureText(const QString &message);

// The real boxes (QMessageBox, QInputDialog), modal to parent; all texts are shown as plain text.
class TQtDialogs final : public TDialogs {
  public:
    explicit TQtDialogs(QWidget *parent = nullptr) : parent_(parent) {}

    void Notice(const QString &text) override;
    bool Confirm(const QString &text) override;
    void Refusal(const QString &text) override;
    void ErrorBox(const QString &text) override;
    bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                    int maxLength = 0) override;
    char ChoosePromotion(const TChessBrd &board, bool white) override;
    QString SaveFileName(const QString &caption, const QString &suggested,
                         const QString &filter) override;

  private:
    QWidget *parent_;
};
