#pragma once
// Socket failures and the path by which failures raised on the event loop reach the application.
#include <QAbstractSocket>
#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>

// A socket failure; what() is the text shown to the user (UTF-8).
class ESocketError : public std::runtime_error {
  public:
    explicit ESocketError(const QString &message);
    QString Message() const { return QString::fromUtf8(what()); }
};

namespace SocketTexts {
inline constexpr const char *ListenOnOpen = "Can't listen on an open socket";
inline constexpr const char *AlreadyOpen = "Socket already open";
inline constexpr const char *CantCreate = "Can't create new socket";
inline constexpr const char *NoAddress = "No address specified";
inline constexpr const char *CantChange = "Can't change value while socket is active";
} // namespace SocketTexts

// errno value closest to a Qt socket error (Linux numbering, e.g. ECONNREFUSED = 111).
int ErrnoForSocketError(QAbstractSocket::SocketError error);
// The operating system's text for an errno value.
QString SystemErrorText(int code);
// "Windows socket error: <text> (<code>), on API '<api>'".
ESocketError WinSocketError(int code, const char *api);
// "Asynchronous socket error <code>".
ESocketError AsyncSocketError(int code);
// "List index out of bounds (<index>)".
std::out_of_range ListIndexError(int index);

// Receives every exception that leaves a socket event (a handler's own or the layer's failure)
// while the event loop, not the application, is the caller. The default rethrows, which only works
// when the application's QCoreApplication::notify() catches; the application normally installs a
// handler that shows the message. Pass an empty function to restore the default.
using TSocketExceptionHandler = std::function<void(std::exception_ptr)>;
void SetSocketExceptionHandler(TSocketExceptionHandler handler);
void DeliverSocketException(std::exception_ptr error);

// Runs one event-loop step of the socket layer, handing any exception to the installed handler.
template <class F> void RunSocketStep(F &&step) {
    try {
        step();
    } catch (...) {
        DeliverSocketException(std::current_exception());
    }
}
