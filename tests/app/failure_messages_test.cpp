// What a user reads when a picture cannot be opened or a crest not saved.
#include <gtest/gtest.h>

#include "app/failure_messages.h"

namespace vx {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FailureMessages, AnEmptyPictureIsNamedWithItsSentenceInBothLanguages) {
    const PictureFailure empty{PictureFailure::Stage::Read, 9, {}, {}};
    const std::string message = PictureFailureMessage("C:\\in\\logo.png", empty);
    EXPECT_TRUE(Has(message, "No se pudo abrir la imagen C:\\in\\logo.png: el archivo est\u00e1 vac\u00edo"));
    EXPECT_TRUE(Has(message,
                    "Cannot open the picture C:\\in\\logo.png: the file is empty or its header is cut short "
                    "(error 9)."));
    EXPECT_FALSE(Has(message, "800 x 600"));
    EXPECT_EQ(PictureFailureLine("logo.png", empty),
              "cannot read logo.png: the file is empty or its header is cut short (error 9)");
}

TEST(FailureMessages, TheLoadersOwnFiguresReplaceTheNumbersSentence) {
    const PictureFailure big{PictureFailure::Stage::Load, 7, "20000 x 20000 pixels is above the limit",
                             "20000 x 20000"};
    EXPECT_EQ(PictureFailureLine("big.png", big),
              "cannot load big.png: 20000 x 20000 pixels is above the limit (error 7)");
    EXPECT_TRUE(Has(PictureFailureMessage("big.png", big), ": 20000 x 20000 (error 7)."));
}

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
