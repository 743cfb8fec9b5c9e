#pragma once
// A thread-safe list of "label.Method" entries that fakes append to, so a test can check
// which calls happened and in which order across several objects.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CallLog {
public:
    void Add(std::string entry) {
        std::lock_guard lock(mutex);
        entries.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const {
        std::lock_guard lock(mutex);
        return entries;
    }
    // The entries whose method part (after the dot) is `method`, in order.
    std::vector<std::string> Calls(std::string_view method) const {
        std::lock_guard lock(mutex);
        std::vector<std::string> out;
        for (const std::string& entry : entries) {
            const size_t dot = entry.rfind('.');
            if (dot != std::string::npos && std::string_view(entry).substr(dot + 1) == method) {
                out.push_back(entry);
            }
        }
        return out;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        entries.clear();
    }

private:
    mutable std::mutex mutex;
    std::vector<std::string> entries;
};
