#pragma once

#include <cstddef>

namespace velmarsk::mapguard {

// A mapped file whose disk fails to deliver a page raises SIGBUS at the instruction that reads it,
// as does a mapping past the end of a file another program cut short. While a mapping is
// registered here, such a page is replaced by zeros instead and the mapping marked failed, so a
// pass that only reads can tell the user rather than end the program. Work that writes from what
// it read stays unguarded: zeros are no data, and a crash there writes nothing.

// A handle for the mapping, or -1 when every handle is taken (the mapping is then unguarded).
int add(const void* begin, std::size_t length);
void remove(int handle);
// True once a page of the mapping could not be read.
bool failed(int handle);

}  // namespace velmarsk::mapguard
