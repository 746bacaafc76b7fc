#pragma once
// The exception classes of the platform layer. Every component raises
// exceptions derived from Exception, carrying the system's message text.
#include <stdexcept>
#include <string>

namespace qel {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
    std::string Message() const { return what(); }
};

// Declares a class derived from `base` that only forwards the message.
#define QEL_DECLARE_EXCEPTION(name, base)                                   \
    class name : public base {                                              \
    public:                                                                 \
        explicit name(const std::string& message) : base(message) {}        \
    }

QEL_DECLARE_EXCEPTION(EConvertError, Exception);
QEL_DECLARE_EXCEPTION(EStreamError, Exception);
QEL_DECLARE_EXCEPTION(EReadError, EStreamError);
QEL_DECLARE_EXCEPTION(EWriteError, EStreamError);
QEL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QEL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QEL_DECLARE_EXCEPTION(EListError, Exception);
QEL_DECLARE_EXCEPTION(EStringListError, EListError);
QEL_DECLARE_EXCEPTION(EComponentError, Exception);
QEL_DECLARE_EXCEPTION(EClassNotFound, Exception);
QEL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QEL_DECLARE_EXCEPTION(EInvalidCast, Exception);
QEL_DECLARE_EXCEPTION(EVariantError, Exception);
QEL_DECLARE_EXCEPTION(EPropertyError, Exception);
QEL_DECLARE_EXCEPTION(ERegistryException, Exception);
QEL_DECLARE_EXCEPTION(EIniFileException, Exception);
QEL_DECLARE_EXCEPTION(EOutOfResources, Exception);
QEL_DECLARE_EXCEPTION(EAbort, Exception);
QEL_DECLARE_EXCEPTION(EDatabaseError, Exception);
QEL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QEL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
QEL_DECLARE_EXCEPTION(EPrinter, Exception);

// Raised to abort a long operation silently (the platform's Abort).
[[noreturn]] inline void Abort() { throw EAbort("Operation aborted"); }

} // namespace qel
