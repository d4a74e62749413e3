// The walk over an HDF5 file's objects that decides whether matio may
// read it (see mat73_walk.h for why): every dataset's storage must hold
// its declared extent, and references and links must not lead back.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Whether the file holds HDF5's signature at its start or after a user
// block (512, 1024, 2048... bytes).
bool hasHdf5Signature(const std::string& path, std::uint64_t size);

// Empty when the file passes, else why not. Calls HDF5 in this process,
// so damaged metadata can crash or exhaust it: mat73Damage runs it in a
// child.
std::string hdf5Damage(const std::string& path, std::uint64_t fileSize);

}  // namespace velmora
