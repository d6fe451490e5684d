#include "base/error_sentence.h"

#include "base/run_time_error.h"

namespace vx {

std::string ErrorSentence(int number) {
    switch (number) {
        case kErrInvalidArgument:
            return "the request is not valid";
        case kErrOverflow:
            return "a size or depth in the file is beyond what the format allows";
        case kErrOutOfMemory:
            return "there is not enough memory";
        case kErrSubscriptOutOfRange:
            return "the file is empty or its header is cut short";
        case kErrBadFileName:
            return "the file name is not valid";
        case kErrFileNotFound:
            return "the file does not exist";
        case kErrDeviceIO:
            return "the device failed while reading or writing";
        case kErrDiskFull:
            return "the disk is full";
        case kErrInputPastEndOfFile:
            return "the file ended before its data";
        case kErrPermissionDenied:
            return "permission denied: the file is read-only, locked by another program or not accessible";
        case kErrPathFileAccess:
            return "the path is a folder or cannot be used as a file";
        case kErrPathNotFound:
            return "the folder does not exist";
        case kErrInvalidPicture:
            return "invalid picture: not one the program can load, or its pixel data is missing";
        default:
            return StandardErrorDescription(number);
    }
}

std::string ErrorSentenceSpanish(int number) {
    switch (number) {
        case kErrInvalidArgument:
            return "la petici\u00f3n no es v\u00e1lida";
        case kErrOverflow:
            return "un tama\u00f1o o una profundidad del archivo supera lo que permite el formato";
        case kErrOutOfMemory:
            return "no hay memoria suficiente";
        case kErrSubscriptOutOfRange:
            return "el archivo est\u00e1 vac\u00edo o su cabecera est\u00e1 cortada";
        case kErrBadFileName:
            return "el nombre del archivo no es v\u00e1lido";
        case kErrFileNotFound:
            return "el archivo no existe";
        case kErrDeviceIO:
            return "el dispositivo fall\u00f3 al leer o escribir";
        case kErrDiskFull:
            return "el disco est\u00e1 lleno";
        case kErrInputPastEndOfFile:
            return "el archivo termina antes de sus datos";
        case kErrPermissionDenied:
            return "permiso denegado: el archivo es de solo lectura, otro programa lo tiene bloqueado o no es "
                   "accesible";
        case kErrPathFileAccess:
            return "la ruta es una carpeta o no puede usarse como archivo";
        case kErrPathNotFound:
            return "la carpeta no existe";
        case kErrInvalidPicture:
            return "imagen no v\u00e1lida: no es una que el programa pueda cargar, o le faltan los datos de sus "
                   "p\u00edxeles";
        default:
            return ErrorSentence(number);
    }
}

std::string ErrorSentenceWithNumber(int number) {
    return ErrorSentence(number) + " (error " + std::to_string(number) + ")";
}

}  // namespace vx
