#include <gtest/gtest.h>

namespace orlavine {
int GenealogieVersion();
}

TEST(Genealogie, Builds) { EXPECT_EQ(orlavine::GenealogieVersion(), 1); }
