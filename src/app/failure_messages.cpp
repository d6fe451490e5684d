#include "app/failure_messages.h"

#include "base/error_sentence.h"

namespace vx {
namespace {

std::string WithNumber(const std::string& sentence, int number) {
    return sentence + " (error " + std::to_string(number) + ")";
}

std::string EnglishReason(const PictureFailure& failure) {
    return WithNumber(failure.english.empty() ? ErrorSentence(failure.number) : failure.english, failure.number);
}

std::string SpanishReason(const PictureFailure& failure) {
    return WithNumber(failure.spanish.empty() ? ErrorSentenceSpanish(failure.number) : failure.spanish, failure.number);
}

}  // namespace

const char kPictureTooBigMessage[] =
    "Hubo un problema al cargar esta imagen. Puede ser que sea demasiado grande. Intente reducir el "
    "tama\u00F1ao ( menor a 800 x 600 ) e intente nuevamente\r\n\r\n"
    "Error loading image. May be very Big, try resize to 800 x 600.";

const char kOpenPictureFirstMessage[] = "Primero abre una imagen. / Open a picture first.";

std::string PictureFailureLine(const std::string& picture, const PictureFailure& failure) {
    switch (failure.stage) {
        case PictureFailure::Stage::Folder:
            return picture + " is a folder, not a picture";
        case PictureFailure::Stage::Read:
            return "cannot read " + picture + ": " + EnglishReason(failure);
        case PictureFailure::Stage::Load:
            break;
    }
    return "cannot load " + picture + ": " + EnglishReason(failure);
}

std::string PictureFailureMessage(const std::string& picture, const PictureFailure& failure) {
    if (failure.stage == PictureFailure::Stage::Folder)
        return picture + " es una carpeta, no una imagen.\r\n\r\n" + picture + " is a folder, not a picture.";
    return "No se pudo abrir la imagen " + picture + ": " + SpanishReason(failure) + ".\r\n\r\n" +
           "Cannot open the picture " + picture + ": " + EnglishReason(failure) + ".";
}

std::string ClipboardFailureMessage(const PictureFailure& failure) {
    return "No se pudo pegar la imagen del portapapeles: " + SpanishReason(failure) + ".\r\n\r\n" +
           "The picture on the clipboard could not be pasted: " + EnglishReason(failure) + ".";
}

std::string SaveFailureLine(const std::string& file, int number) {
    return "cannot write " + file + ": " + ErrorSentenceWithNumber(number) + "; no crest was changed";
}

std::string SaveFailureMessage(const std::string& file, int number) {
    return "Fehler!\r\n\r\nNo se pudo guardar " + file + ": " + WithNumber(ErrorSentenceSpanish(number), number) +
           ". Ning\u00FAn escudo ha cambiado.\r\n\r\nCannot write " + file + ": " +
           WithNumber(ErrorSentence(number), number) + ". No crest was changed.";
}

std::string CharacterFailureMessage(const std::string& file, const std::string& reason) {
    return "Cannot display GIF file\r\n\r\n" + file + ": " + reason +
           ".\r\n\r\nEl personaje no se muestra; Vexillor funciona sin \u00E9l.\r\n"
           "The character is not shown; Vexillor works without it.";
}

}  // namespace vx
