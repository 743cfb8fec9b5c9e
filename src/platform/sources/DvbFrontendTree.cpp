#include "platform/sources/DvbFrontendTree.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// N of "<prefix>N" (decimal digits only, small enough for an int).
std::optional<int> NumberAfter(const std::string& name, const std::string& prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size() ||
        name.size() > prefix.size() + 6)
        return std::nullopt;
    if (name[prefix.size()] == '0' && name.size() > prefix.size() + 1)
        return std::nullopt;  // the kernel writes no leading zeros
    int number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// Entries "<prefix>N" of `folder`, by number.
std::vector<std::pair<int, fs::path>> Numbered(const fs::path& folder, const std::string& prefix) {
    std::vector<std::pair<int, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (std::optional<int> number = NumberAfter(it->path().filename().string(), prefix))
            found.emplace_back(*number, it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string DeviceOf(const fs::path& adapter, const std::string& kind, int frontend) {
    std::error_code error;
    const fs::path own = adapter / (kind + std::to_string(frontend));
    if (fs::exists(own, error))
        return own.string();
    return (adapter / (kind + "0")).string();
}

}  // namespace

std::string DvbDeviceRoot() {
    const char* root = std::getenv("EPGHARVEST_DVB_ROOT");
    return root != nullptr && *root != '\0' ? root : "/dev/dvb";
}

std::vector<DvbFrontendPaths> FindDvbFrontends(const std::string& root) {
    std::vector<DvbFrontendPaths> frontends;
    for (const auto& [adapterNumber, adapter] : Numbered(root, "adapter")) {
        for (const auto& [frontendNumber, frontend] : Numbered(adapter, "frontend")) {
            DvbFrontendPaths paths;
            paths.adapter = adapterNumber;
            paths.frontend = frontendNumber;
            paths.frontendPath = frontend.string();
            paths.demuxPath = DeviceOf(adapter, "demux", frontendNumber);
            paths.dvrPath = DeviceOf(adapter, "dvr", frontendNumber);
            frontends.push_back(paths);
        }
    }
    return frontends;
}
