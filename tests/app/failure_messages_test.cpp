// What a user reads when a crest cannot be saved: the window's tests see
// the opening failures and a read-only crest; a full disk is seen only here.
#include <gtest/gtest.h>

#include "app/failure_messages.h"

namespace vx {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FailureMessages, AFailedSaveNamesTheFileAndSaysNoCrestChanged) {
    const std::string message = SaveFailureMessage("D:\\game\\clan.bmp", 70);
    EXPECT_EQ(message.rfind("Fehler!\r\n", 0), 0u);
    EXPECT_TRUE(Has(message, "Cannot write D:\\game\\clan.bmp: permission denied: the file is read-only"));
    EXPECT_TRUE(Has(message, "No crest was changed."));
    EXPECT_TRUE(Has(message, "No se pudo guardar D:\\game\\clan.bmp: permiso denegado"));
    EXPECT_EQ(SaveFailureLine("clan.bmp", 61),
              "cannot write clan.bmp: the disk is full (error 61); no crest was changed");
}

}  // namespace
}  // namespace vx
