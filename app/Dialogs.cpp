#include "app/Dialogs.h"

#include "app/PromotionChooser.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

// Runs one message box; peer and user text never renders as markup.
QMessageBox::StandardButton RunBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                   const QString &text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void TQtDialogs::Notice(const QString &text) {
    RunBox(parent_, QMessageBox::NoIcon, QCoreApplication::applicationName(), text,
           QMessageBox::Ok);
}

bool TQtDialogs::Confirm(const QString &text) {
    return RunBox(parent_, QMessageBox::Question, QStringLiteral("Confirm"), text,
                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool TQtDialogs::ConfirmWhile(const QString &text, const std::function<bool()> &stillWanted) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (!stillWanted())
            box.done(QMessageBox::No);
    });
    poll.start(250);
    return box.exec() == QMessageBox::Yes && stillWanted();
}

void TQtDialogs::Refusal(const QString &text) {
    RunBox(parent_, QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Yes);
}

void TQtDialogs::ErrorBox(const QString &text) {
    RunBox(parent_, QMessageBox::Critical, QCoreApplication::applicationName(), text,
           QMessageBox::Ok);
}

bool TQtDialogs::InputQuery(const QString &caption, const QString &prompt, QString &text,
                            int maxLength) {
    QInputDialog dialog(parent_);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(text);
    if (maxLength > 0) {
        if (auto *edit = dialog.findChild<QLineEdit *>())
            edit->setMaxLength(maxLength);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}

char TQtDialogs::ChoosePromotion(bool white) {
    return board_ ? ::ChoosePromotion(parent_, *board_, white) : 'Q';
}

QString TQtDialogs::SaveFileName(const QString &caption, const QString &suggested,
                                 const QString &filter) {
    // The dialog adds the extension itself, so its overwrite question names the file written.
    QFileDialog dialog(parent_, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pgn"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().constFirst()
               : QString();
}
