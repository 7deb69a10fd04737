// Where the program's own files are: found from the running executable, so that the build tree
// (build/bin, build/lib/vellary, build/share/vellary) and an installed tree (PREFIX/bin,
// PREFIX/lib/vellary, PREFIX/share/vellary) are searched the same way, and nothing depends on the
// prefix the program was built for or on the loader's search path.
#pragma once

#include <string>
#include <string_view>

namespace vellary::model {

// The folder of the running program (UTF-8), empty when the system does not tell.
std::string programFolder();

// PROGRAM/../share, PROGRAM/../share/vellary and PROGRAM/../lib/vellary for the program folder
// given (lexically normalised); empty when `program` is.
std::string shareFolder(const std::string& program = programFolder());
std::string dataFolder(const std::string& program = programFolder());
std::string privateLibraryFolder(const std::string& program = programFolder());

// `name` (a path relative to the data folder) when it is a regular file there, else empty.
std::string dataFile(std::string_view name, const std::string& program = programFolder());

// The first page of the user's manual, relative to the data folder.
inline constexpr char kManualIndex[] = "manual/index.html";
// The Office writer library, in the private library folder.
inline constexpr char kOfficeLibraryName[] = "liboxmlgen.so";

// The program's version, as the build names it (one place: the CMake project's version).
const char* programVersion();

}  // namespace vellary::model
