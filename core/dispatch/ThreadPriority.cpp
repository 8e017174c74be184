#include "core/dispatch/ThreadPriority.h"

namespace brevanor {

std::string ThreadPriority::description() const {
    std::string text;
    switch (kind) {
        case Kind::realtime: text = "real-time (priority " + std::to_string(level); break;
        case Kind::raisedNice: text = "raised (nice " + std::to_string(level); break;
        case Kind::normal: text = "normal"; break;
    }
    if (kind != Kind::normal) text += throughRealtimeKit ? ", through RealtimeKit)" : ")";
    if (!refusal.empty()) text += "; " + refusal;
    return text;
}

}  // namespace brevanor
