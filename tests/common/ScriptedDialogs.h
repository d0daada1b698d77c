#pragma once
// Modal boxes for tests: records every box shown and answers questions from a script.
#include "app/Dialogs.h"

#include <QCoreApplication>
#include <QStringList>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

// One scripted answer. Accept: Yes / OK. Text: what is typed into an input box.
// While: runs while the box is "open", standing in for events handled by its message loop.
struct ScriptedAnswer {
    bool Accept = true;
    QString Text;
    std::function<void()> While;
};

struct ShownBox {
    enum class Kind { Notice, Confirm, Refusal, ErrorBox, Input };
    Kind Type;
    QString Caption;
    QString Text;  // for an input box: its prompt
};

class ScriptedDialogs final : public TDialogs {
public:
    ~ScriptedDialogs() override {
        EXPECT_TRUE(Answers.empty()) << Answers.size() << " scripted answer(s) never asked for";
    }

    void Answer(bool accept, const QString &text = {}, std::function<void()> during = {}) {
        Answers.push_back({accept, text, std::move(during)});
    }

    void Notice(const QString &text) override { Record(ShownBox::Kind::Notice, AppTitle(), text); }
    bool Confirm(const QString &text) override {
        Record(ShownBox::Kind::Confirm, QStringLiteral("Confirm"), text);
        return Next().Accept;
    }
    void Refusal(const QString &text) override {
        Record(ShownBox::Kind::Refusal, QStringLiteral("Error"), text);
    }
    void ErrorBox(const QString &text) override { Record(ShownBox::Kind::ErrorBox, AppTitle(), text); }
    bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                    int maxLength = 0) override {
        Record(ShownBox::Kind::Input, caption, prompt);
        const ScriptedAnswer answer = Next();
        if (answer.Accept)
            text = maxLength > 0 ? answer.Text.left(maxLength) : answer.Text;
        return answer.Accept;
    }

    // Every box so far as "Kind|Caption|Text", for comparing whole sequences.
    QStringList Log() const {
        static const char *const names[] = {"Notice", "Confirm", "Refusal", "ErrorBox", "Input"};
        QStringList lines;
        for (const ShownBox &box : Shown)
            lines << QStringLiteral("%1|%2|%3")
                         .arg(QLatin1String(names[static_cast<int>(box.Type)]), box.Caption, box.Text);
        return lines;
    }

    std::deque<ScriptedAnswer> Answers;
    std::vector<ShownBox> Shown;

private:
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
