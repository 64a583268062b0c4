// libcurl's global state is set up once per test program, before any test starts a thread, as
// the executables' main() does it.

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { curl_global_init(CURL_GLOBAL_DEFAULT); }
    void TearDown() override { curl_global_cleanup(); }
};

[[maybe_unused]] ::testing::Environment* const kCurlEnvironment =
    ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace
