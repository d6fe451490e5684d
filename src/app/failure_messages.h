// What the window and the command line tell a user when a picture cannot
// be opened, a crest cannot be saved or the character cannot be shown: the
// same facts, as one line for scripts and as a two-language message box.
// Texts are UTF-8.
#pragma once
#include <string>

namespace vx {

// Why a picture could not be opened.
struct PictureFailure {
    enum class Stage {
        Folder,  // the path names a folder
        Read,    // the header reader refused it
        Load,    // the decoder refused it
    };
    Stage stage = Stage::Load;
    int number = 0;
    // The loader's own sentences when it names figures (a size above the
    // limits); empty when the number's sentence says it all.
    std::string english;
    std::string spanish;
};

// "cannot read PICTURE: the file is empty or its header is cut short
// (error 9)", without the program's name in front.
std::string PictureFailureLine(const std::string& picture, const PictureFailure& failure);

// Spanish, a blank line, English; both name the picture.
std::string PictureFailureMessage(const std::string& picture, const PictureFailure& failure);

// The same for a picture on the clipboard, which has no file name.
std::string ClipboardFailureMessage(const PictureFailure& failure);

// The one failure the old advice fits: the machine ran out of memory
// decoding the picture, which a smaller picture cures.
extern const char kPictureTooBigMessage[];

// "cannot write FILE: permission denied: ... (error 70); no crest was
// changed".
std::string SaveFailureLine(const std::string& file, int number);

// The writer's "Fehler!" line, then the same facts in Spanish and English.
std::string SaveFailureMessage(const std::string& file, int number);

// The character animation cannot be shown; the program goes on without it.
std::string CharacterFailureMessage(const std::string& file, const std::string& reason);

// A save asked for before any crest was composed.
extern const char kOpenPictureFirstMessage[];

}  // namespace vx
