#pragma once
// Modal boxes for tests: records every box shown and answers questions from a script.
#include "app/Dialogs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <vector>

// One scripted answer. Accept: Yes / OK. Text: what is typed into an input box, the file name of
// a file box, or the letter of the promotion piece (Accept false: Esc, the queen).
// While: runs while the box is "open", standing in for events handled by its message loop.
struct ScriptedAnswer {
    bool Accept = true;
    QString Text;
    std::function<void()> While;
};

struct ShownBox {
    enum class Kind { Notice, Confirm, Refusal, ErrorBox, Input, Promotion, SaveFile };
    Kind Type;
    QString Caption;
    QString Text; // for an input box: its prompt
};

// By default a box answers at once from the script. With RunLoops on, every box, notices
// included, stays open in a real nested event loop: a scripted answer's While runs first (it may
// wait for events itself), and a box with no scripted answer stays open until CloseInnermost.
class ScriptedDialogs final : public TDialogs {
  public:
    bool RunLoops = false;
    // With RunLoops: answers a box that has no scripted answer (null: it waits for CloseInnermost).
    std::function<ScriptedAnswer(ShownBox::Kind kind, const QString &text)> Answerer;

    struct OpenBox {
        OpenBox(ShownBox::Kind type, QString text) : Type(type), Text(std::move(text)) {}
        ShownBox::Kind Type;
        QString Text;
        bool Answered = false;
        ScriptedAnswer Answer;
        QEventLoop Loop;
    };
    // Boxes open now, innermost last (nested boxes of every window of the thread share one stack).
    static std::vector<OpenBox *> &OpenBoxes() {
        static std::vector<OpenBox *> open;
        return open;
    }
    // Answers the innermost open box; false when none is open.
    static bool CloseInnermost(bool accept, const QString &text = {}) {
        auto &open = OpenBoxes();
        if (open.empty() || open.back()->Answered)
            return false;
        open.back()->Answered = true;
        open.back()->Answer = {accept, text, {}};
        open.back()->Loop.quit();
        return true;
    }
    // This object's boxes open now, outermost first.
    std::vector<const OpenBox *> Open() const {
        std::vector<const OpenBox *> mine;
        for (const OpenBox *box : OpenBoxes())
            if (Owned(box))
                mine.push_back(box);
        return mine;
    }
    std::size_t OpenCount(ShownBox::Kind kind, const QString &text) const {
        std::size_t count = 0;
        for (const OpenBox *box : OpenBoxes())
            count += box->Type == kind && box->Text == text && Owned(box);
        return count;
    }

    ~ScriptedDialogs() override {
        EXPECT_TRUE(Answers.empty()) << Answers.size() << " scripted answer(s) never asked for";
    }

    void Answer(bool accept, const QString &text = {}, std::function<void()> during = {}) {
        Answers.push_back({accept, text, std::move(during)});
    }

    void Notice(const QString &text) override {
        Record(ShownBox::Kind::Notice, AppTitle(), text);
        if (RunLoops)
            RunBox(ShownBox::Kind::Notice, text);
    }
    bool Confirm(const QString &text) override {
        Record(ShownBox::Kind::Confirm, QStringLiteral("Confirm"), text);
        return RunLoops ? RunBox(ShownBox::Kind::Confirm, text).Accept : Next().Accept;
    }
    void Refusal(const QString &text) override {
        Record(ShownBox::Kind::Refusal, QStringLiteral("Error"), text);
        if (RunLoops)
            RunBox(ShownBox::Kind::Refusal, text);
    }
    void ErrorBox(const QString &text) override {
        Record(ShownBox::Kind::ErrorBox, AppTitle(), text);
        if (RunLoops)
            RunBox(ShownBox::Kind::ErrorBox, text);
    }
    bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                    int maxLength = 0) override {
        Record(ShownBox::Kind::Input, caption, prompt);
        const ScriptedAnswer answer = RunLoops ? RunBox(ShownBox::Kind::Input, prompt) : Next();
        if (answer.Accept)
            text = maxLength > 0 ? answer.Text.left(maxLength) : answer.Text;
        return answer.Accept;
    }

    // The Connect box: an input box that keeps what it offered; an answer that is an offer's label
    // chooses that player.
    bool ConnectQuery(const QString &caption, const QString &prompt, QString &text, int maxLength,
                      const TConnectOffers &offers) override {
        Offered = offers ? offers() : std::vector<TConnectOffer>{};
        if (!InputQuery(caption, prompt, text, maxLength))
            return false;
        for (const TConnectOffer &offer : Offered)
            if (offer.Label == text)
                text = offer.Address;
        return true;
    }
    std::vector<TConnectOffer> Offered;

    // The promotion chooser: caption "Promotion", text the mover's colour ("White" or "Black").
    char ChoosePromotion(bool white) override {
        const QString colour = white ? QStringLiteral("White") : QStringLiteral("Black");
        Record(ShownBox::Kind::Promotion, QStringLiteral("Promotion"), colour);
        const ScriptedAnswer answer = RunLoops ? RunBox(ShownBox::Kind::Promotion, colour) : Next();
        return answer.Accept && !answer.Text.isEmpty() ? answer.Text.at(0).toLatin1() : 'Q';
    }
    // A file box: text the suggested name.
    QString SaveFileName(const QString &caption, const QString &suggested,
                         const QString &) override {
        Record(ShownBox::Kind::SaveFile, caption, suggested);
        const ScriptedAnswer answer =
            RunLoops ? RunBox(ShownBox::Kind::SaveFile, suggested) : Next();
        return answer.Accept ? answer.Text : QString();
    }

    // Every box so far as "Kind|Caption|Text", for comparing whole sequences.
    QStringList Log() const {
        static const char *const names[] = {"Notice", "Confirm",   "Refusal", "ErrorBox",
                                            "Input",  "Promotion", "SaveFile"};
        QStringList lines;
        for (const ShownBox &box : Shown)
            lines << QStringLiteral("%1|%2|%3")
                         .arg(QLatin1String(names[static_cast<int>(box.Type)]), box.Caption,
                              box.Text);
        return lines;
    }

    std::deque<ScriptedAnswer> Answers;
    std::vector<ShownBox> Shown;

  private:
    bool Owned(const OpenBox *box) const { return mine_.count(box) != 0; }

    ScriptedAnswer RunBox(ShownBox::Kind kind, const QString &text) {
        OpenBox box(kind, text);
        OpenBoxes().push_back(&box);
        mine_.insert(&box);
        if (!Answers.empty() || Answerer) {
            if (Answers.empty()) {
                box.Answer = Answerer(kind, text);
            } else {
                box.Answer = std::move(Answers.front());
                Answers.pop_front();
            }
            if (box.Answer.While)
                box.Answer.While();
            box.Answered = true;
        }
        if (!box.Answered)
            box.Loop.exec();
        mine_.erase(&box);
        auto &open = OpenBoxes();
        open.erase(std::find(open.begin(), open.end(), &box));
        return box.Answer;
    }

    std::set<const OpenBox *> mine_;

    static QString AppTitle() { return QCoreApplication::applicationName(); }

    void Record(ShownBox::Kind kind, const QString &caption, const QString &text) {
        Shown.push_back({kind, caption, text});
    }

    // An unscripted question fails the test and is answered No / Cancel.
    ScriptedAnswer Next() {
        if (Answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << Shown.back().Text.toStdString();
            return {false, {}, {}};
        }
        ScriptedAnswer answer = std::move(Answers.front());
        Answers.pop_front();
        if (answer.While)
            answer.While();
        return answer;
    }
};
