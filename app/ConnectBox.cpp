#include "app/Dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How often an open box looks for players who came or went.
constexpr int RefreshMs = 500;

// Puts the offers into the list, keeping what is typed or chosen. Every label shown is remembered
// with its address, so that a player chosen just before leaving is still called.
void ShowOffers(QComboBox &combo, const std::vector<TConnectOffer> &offers,
                QHash<QString, QString> &addresses) {
    QStringList labels, shown;
    for (const TConnectOffer &offer : offers)
        labels << offer.Label;
    for (int i = 0; i < combo.count(); ++i)
        shown << combo.itemText(i);
    if (labels == shown)
        return;
    const QString typed = combo.currentText();
    const QSignalBlocker quiet(&combo);
    combo.clear();
    for (const TConnectOffer &offer : offers) {
        combo.addItem(offer.Label);
        addresses.insert(offer.Label, offer.Address);
    }
    combo.setCurrentIndex(combo.findText(typed));
    combo.setEditText(typed);
}

} // namespace

bool TQtDialogs::ConnectQuery(const QString &caption, const QString &prompt, QString &text,
                              int maxLength, const TConnectOffers &offers) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(caption);
    auto *label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    auto *combo = new QComboBox(&dialog);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(36);
    if (maxLength > 0)
        combo->lineEdit()->setMaxLength(maxLength);
    combo->setEditText(text);
    combo->lineEdit()->selectAll(); // typing replaces the address offered, as in any input box
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(combo);
    layout->addWidget(buttons);

    QHash<QString, QString> addresses;
    QTimer refresh;
    if (offers) {
        const auto update = [&] { ShowOffers(*combo, offers(), addresses); };
        update();
        QObject::connect(&refresh, &QTimer::timeout, &dialog, update);
        refresh.start(RefreshMs);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString chosen = combo->currentText();
    text = addresses.value(chosen, chosen);
    return true;
}
