// The cache of scripts/fetch-sources.sh, where the tests of the byte-identical rebuilds of the
// bundled data find their sources (empty when no folder can be named).
#pragma once

#include <cstdlib>
#include <filesystem>

namespace orlavine::test {

inline std::filesystem::path DossierSources() {
    if (const char* s = std::getenv("ORLAVINE_SOURCES"); s && *s) return s;
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x)
        return std::filesystem::path(x) / "orlavine" / "sources";
    const char* h = std::getenv("HOME");
    return h && *h ? std::filesystem::path(h) / ".cache" / "orlavine" / "sources"
                   : std::filesystem::path();
}

} // namespace orlavine::test
