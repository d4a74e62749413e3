// Whether a version 7.3 MAT-file, an HDF5 file, can be handed to matio.
// matio trusts what such a file declares: it follows a cell's references
// and a structure's links without remembering where it has been (a cell
// holding itself overflowed the stack, a structure linking to itself
// looped with growing memory), and it allocates a dataset's declared
// extent before reading data that may not exist (a 1.9 KB file declaring
// a never-written 2 x 2e7 array took 654 MB and was read as zeros). The
// walk here refuses such files from what HDF5 says of them, before matio
// opens them, in a process of its own.
#pragma once

#include <mutex>
#include <string>

namespace velmora {

// Empty when `path` is not an HDF5 file, or is one whose arrays hold the
// data they declare without referring to themselves; else why not, as the
// end of a sentence naming the file. Prints nothing. The walk runs in a
// child process, with bounded time and memory: HDF5 itself crashes on some
// damaged files, and allocates without bound on others.
std::string mat73Damage(const std::string& path);

// Held wherever this process calls HDF5 (matio included) while another
// thread may check a file: a child forked while another thread is inside
// HDF5 would wait for HDF5's own lock forever.
std::recursive_mutex& hdf5Lock();

}  // namespace velmora
