// Export files come from other installations: any bytes are either a bundle that passed every
// check or refused with a reason. A bundle taken apart stores back to the very same bytes, and
// every file it would write lands in its own kind's folder under the preset tree, never beside
// or above it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "presets/ExportBundle.h"

namespace {

namespace fs = std::filesystem;

using vorpline::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const vorpline::BundleResult parsed = vorpline::ParseBundle(bytes);
    Check(parsed.bundle.has_value() == parsed.problem.empty());
    if (!parsed.bundle) {
        return 0;
    }
    Check(size <= vorpline::LargestBundle());
    const auto stored = vorpline::EncodeBundle(parsed.bundle->entries);
    Check(std::equal(stored.begin(), stored.end(), bytes.begin(), bytes.end()));

    const fs::path root = "/nonexistent/vpx";
    for (const std::string title : {"Show", "../up", ""}) {
        const vorpline::BundlePlan plan = vorpline::PlanBundleFiles(root, title, *parsed.bundle);
        Check(plan.files.size() == plan.kinds.size());
        Check(plan.files.empty() || plan.problem.empty());
        Check(title == "Show" || !plan.problem.empty());
        for (std::size_t i = 0; i < plan.files.size(); ++i) {
            const vorpline::BundleKind& kind = vorpline::KindOf(plan.kinds[i]);
            const fs::path& path = plan.files[i].path;
            const fs::path folder = path.parent_path();
            Check(folder == root || (folder.parent_path() == root && folder.filename() != ".." &&
                                     folder.filename() != "."));
            Check(path.filename().string().ends_with(kind.extension));
            Check(path.lexically_normal() == path);
            Check(!plan.files[i].bytes.empty());
        }
    }
    return 0;
}
