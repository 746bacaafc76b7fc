#pragma once
// Events are std::function members named OnFoo whose first parameter is the
// sender; results come back through reference parameters.
#include "platform/core/Object.h"

#include <functional>

namespace qel {

using TNotifyEvent = std::function<void(TObject* Sender)>;

} // namespace qel
