#include "app/session/Dialogs.h"

void TDialogs::ShowException(const std::exception &failure) {
    ErrorBox(FailureText(QString::fromUtf8(failure.what())));
}

QString FailureText(const QString &message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
