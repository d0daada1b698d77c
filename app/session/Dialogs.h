#pragma once
#include <QString>

#include <exception>
#include <functional>
#include <vector>

// A player found on the local network, as the Connect box offers it.
struct TConnectOffer {
    QString Label;   // "name — address", safe to show as it is
    QString Address; // what choosing it calls
    friend bool operator==(const TConnectOffer &, const TConnectOffer &) = default;
};
using TConnectOffers = std::function<std::vector<TConnectOffer>()>;

// Every modal box the program shows goes through this interface, so tests can script the answers.
// Boxes captioned with the application title use QCoreApplication::applicationName().
class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // Plain notice: application title, no icon, OK.
    virtual void Notice(const QString &text) = 0;
    // Consent question: "Confirm", question icon, Yes and No. True only for Yes.
    virtual bool Confirm(const QString &text) = 0;
    // The same question, closed as No as soon as stillWanted turns false (asked every so often).
    virtual bool ConfirmWhile(const QString &text, const std::function<bool()> &stillWanted) {
        return Confirm(text) && stillWanted();
    }
    // Refusal notice: "Error", error icon, a single Yes button.
    virtual void Refusal(const QString &text) = 0;
    // Unhandled failure: application title, error icon, OK; text shown as given.
    virtual void ErrorBox(const QString &text) = 0;
    // Text input with OK and Cancel; text is the initial value and receives the answer on OK.
    // maxLength 0 = no limit. True for OK.
    virtual bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                            int maxLength = 0) = 0;
    // The Connect box: an input box that also offers the players found, freshest first. offers
    // (may be empty) is asked again every so often while the box is open; choosing a player puts
    // its address into text.
    virtual bool ConnectQuery(const QString &caption, const QString &prompt, QString &text,
                              int maxLength, const TConnectOffers &offers) {
        (void)offers;
        return InputQuery(caption, prompt, text, maxLength);
    }
    // The piece a pawn of that colour becomes: 'Q', 'R', 'B' or 'N'; the queen unless another is
    // chosen.
    virtual char ChoosePromotion(bool white) = 0;
    // A file to write, suggested first; empty when cancelled. filter as in Qt's file dialogs.
    virtual QString SaveFileName(const QString &caption, const QString &suggested,
                                 const QString &filter) = 0;

    // Shows a failure that left an event handler, with the full-stop rule of FailureText.
    void ShowException(const std::exception &failure);
};

// The text of an unhandled failure's box: the message, plus "." when its last character's code
// is greater than that of '.' (so "... error 10061" gains one and "... on API 'connect'" does not).
QString FailureText(const QString &message);
