// Where the programs find their bundled data. Installed, the data lies in
// <prefix>/share/orlavine/ beside <prefix>/bin/ (where `cmake --install` puts it); run from the
// build tree, in the source tree's data/ folder, whose path is compiled in.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace orlavine {

// `relatif`: the path under share/orlavine/ ("atlas", "README.md"); `dansLesSources`: the
// build tree's path of the same thing.
inline std::string CheminDonnees(const std::string& relatif, const std::string& dansLesSources) {
    std::error_code ec;
    const auto programme = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto installe =
            programme.parent_path().parent_path() / "share" / "orlavine" / relatif;
        if (std::filesystem::exists(installe, ec)) return installe.string();
    }
    return dansLesSources;
}

} // namespace orlavine
