#include <canberra.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/linux/LoadedLibraries.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;

bool holds(const std::vector<std::string>& paths, const fs::path& path) {
    return std::ranges::find(paths, path.string()) != paths.end();
}

// Copies of a small library the tests already link, each one a new object to load.
class LoadedLibrariesTest : public ::testing::Test {
  protected:
    fs::path copyOfALibrary(const std::string& name) const {
        Dl_info info{};
        EXPECT_NE(dladdr(reinterpret_cast<void*>(&ca_context_create), &info), 0);
        const auto copy = folder_.path() / name;
        fs::copy_file(info.dli_fname, copy);
        return copy;
    }

    testing::TemporaryDirectory folder_;
};

TEST_F(LoadedLibrariesTest, SeesWhatIsLoadedAndWhatWasAddedSince) {
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&ca_context_create), &info), 0);
    const auto before = LoadedLibraries::now();
    EXPECT_TRUE(before.contains(info.dli_fname));
    EXPECT_TRUE(before.addedSince(before).empty());

    const auto copy = copyOfALibrary("libplovik-probe.so");
    EXPECT_FALSE(before.contains(copy.string()));
    void* handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto after = LoadedLibraries::now();
    EXPECT_TRUE(after.contains(copy.string()));
    EXPECT_TRUE(holds(after.addedSince(before), copy));
    EXPECT_FALSE(holds(after.addedSince(before), info.dli_fname));
    EXPECT_TRUE(before.addedSince(after).empty());
    dlclose(handle);
}

TEST_F(LoadedLibrariesTest, AResidentObjectOutlivesItsLastCloseWhereOthersAreUnloaded) {
    const auto kept = copyOfALibrary("libplovik-kept.so");
    const auto released = copyOfALibrary("libplovik-released.so");
    void* keptHandle = dlopen(kept.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* releasedHandle = dlopen(released.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(keptHandle, nullptr) << dlerror();
    ASSERT_NE(releasedHandle, nullptr) << dlerror();

    EXPECT_TRUE(LoadedLibraries::keepResident(kept.string()));
    dlclose(keptHandle);
    dlclose(releasedHandle);
    const auto now = LoadedLibraries::now();
    EXPECT_TRUE(now.contains(kept.string()));
    EXPECT_FALSE(now.contains(released.string()));
}

TEST_F(LoadedLibrariesTest, AnObjectNotLoadedIsNeitherKeptNorLoaded) {
    const auto absent = copyOfALibrary("libplovik-absent.so");
    EXPECT_FALSE(LoadedLibraries::keepResident(absent.string()));
    EXPECT_FALSE(LoadedLibraries::now().contains(absent.string()));
    EXPECT_FALSE(LoadedLibraries::keepResident((folder_.path() / "missing.so").string()));
    EXPECT_FALSE(LoadedLibraries::keepResident(""));
}

}  // namespace
}  // namespace plovik
