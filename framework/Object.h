#pragma once
// TObject: the common base of everything that can be the Sender of an event, and the
// event slot types that carry a Sender. Main thread only.

#include <functional>

namespace framework {

class TObject {
  public:
    virtual ~TObject() = default;
};

// An event slot holding a handler, or nothing (an empty slot fires nothing).
using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace framework
