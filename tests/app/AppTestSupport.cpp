// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include <cstdlib>

namespace fs = std::filesystem;

fs::path BinFolder() {
    const char* bin = std::getenv("KESTROW_BIN_DIR");
    return fs::path(bin != nullptr ? bin : "bin");
}

namespace {
fs::path Made(const fs::path& folder) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    return folder;
}
} // namespace

PrivateUserFolders::PrivateUserFolders()
    : runtime_("XDG_RUNTIME_DIR", Made(dir_ / "runtime").string()),
      config_("XDG_CONFIG_HOME", Made(dir_ / "config").string()),
      data_("XDG_DATA_HOME", Made(dir_ / "data").string()) {}

void CopyProgramData(const fs::path& folder, const std::string& except) {
    const fs::path bin = BinFolder();
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(bin)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.starts_with("Lang") && name.ends_with(".ini")) {
            fs::copy_file(entry.path(), folder / name, fs::copy_options::overwrite_existing);
        }
    }
    for (const char* sub : {"Skins", "Help"}) {
        fs::copy(bin / sub, folder / sub, fs::copy_options::recursive);
    }
    if (!except.empty()) {
        fs::remove(folder / except);
    }
}
