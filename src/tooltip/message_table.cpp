#include "tooltip/message_table.h"

#include <algorithm>

namespace vx::tooltip {

void MessageTable::Add(std::int32_t message) {
    if (message == ALL_MESSAGES) {
        count_ = ALL_MESSAGES;
        return;
    }
    if (count_ == ALL_MESSAGES) return;
    for (std::int32_t& entry : entries_) {
        if (entry == 0) {
            entry = message;
            return;
        }
        if (entry == message) return;
    }
    entries_.push_back(message);
    count_ = static_cast<std::int32_t>(entries_.size());
}

void MessageTable::Remove(std::int32_t message) {
    if (message == ALL_MESSAGES) {
        count_ = 0;
        entries_.clear();
        return;
    }
    const auto found = std::find(entries_.begin(), entries_.end(), message);
    if (found != entries_.end()) *found = 0;
}

bool MessageTable::Matches(std::int32_t message) const {
    if (count_ == 0) return false;
    if (count_ == ALL_MESSAGES) return true;
    return std::find(entries_.begin(), entries_.end(), message) != entries_.end();
}

void MessageTable::Clear() {
    count_ = 0;
    entries_.clear();
}

}  // namespace vx::tooltip
