// Which messages of a hooked window are reported to the hooking object,
// one table before the window's own procedure and one after it.
#pragma once

#include <cstdint>
#include <vector>

namespace vx::tooltip {

// As a message id: every message.
inline constexpr std::int32_t ALL_MESSAGES = -1;

// `MsgWhen`: when a registered message is reported.
enum MsgWhen : std::int32_t {
    MSG_AFTER = 1,   // after the window's own procedure
    MSG_BEFORE = 2,  // before it
    MSG_BEFORE_AND_AFTER = MSG_BEFORE | MSG_AFTER,
};

class MessageTable {
public:
    // Count 0 reports nothing, -1 every message, n > 0 the n entries.
    std::int32_t Count() const { return count_; }
    const std::vector<std::int32_t>& Entries() const { return entries_; }

    // Registers a message once; a cleared entry (0) is reused first.
    // While every message is reported, a single id adds nothing.
    void Add(std::int32_t message);
    // ALL_MESSAGES reports nothing any more; a single id clears its entry
    // to 0 and keeps the count.
    void Remove(std::int32_t message);
    // Whether `message` is reported. The comparison takes the full 32-bit
    // id, so a cleared entry matches only message 0.
    bool Matches(std::int32_t message) const;
    void Clear();

private:
    std::int32_t count_ = 0;
    std::vector<std::int32_t> entries_;
};

}  // namespace vx::tooltip
