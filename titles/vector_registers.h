#pragma once
// The window's text document (Qt) returns with the upper halves of the processor's AVX
// registers in use. Until they are cleared, every SSE instruction of the program waits on
// them: a run after a large one, whose headlines went into the result box, took two to
// three times as long.

namespace qinghe {

// Clears the upper halves where the processor has AVX; does nothing elsewhere.
void clear_upper_vector_halves();

}  // namespace qinghe
