#include "support/runtime_error.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace zv {

const char* DescriptionOf(Long number) {
    switch (number) {
        case kErrInvalidCall: return "Invalid procedure call or argument";
        case kErrOverflow: return "Overflow";
        case kErrOutOfMemory: return "Out of memory";
        case kErrSubscript: return "Subscript out of range";
        case kErrBadFileName: return "Bad file name or number";
        case kErrFileNotFound: return "File not found";
        case kErrFileAlreadyOpen: return "File already open";
        case kErrDiskFull: return "Disk full";
        case kErrPermissionDenied: return "Permission denied";
        case kErrDiskNotReady: return "Disk not ready";
        case kErrPathFileAccess: return "Path/File access error";
        case kErrPathNotFound: return "Path not found";
        default: return "Application-defined or object-defined error";
    }
}

void Raise(Long number) {
    throw RuntimeError(number, DescriptionOf(number));
}

RuntimeError CurrentFailure() {
    const auto numbered = [](Long number) { return RuntimeError(number, DescriptionOf(number)); };
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::out_of_range&) {
        return numbered(kErrSubscript);
    } catch (const std::bad_alloc&) {
        return numbered(kErrOutOfMemory);
    } catch (const std::length_error&) {
        // A text or list asked to grow past its largest size.
        return numbered(kErrOutOfMemory);
    } catch (const std::exception&) {
        return numbered(kErrInvalidCall);
    }
}

}  // namespace zv
