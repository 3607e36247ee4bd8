// Text ordering for indexes and sorting: the Hungarian alphabet as a Hungarian user expects it.
//
//   a á b c cs d dz dzs e é f g gy h i í j k l ly m n ny o ó ö ő p q r s sz t ty u ú ü ű v w x y z
//   zs
//
// Blanks and punctuation sort before digits, digits before letters. A short and a long vowel
// (a/á, o/ó, ö/ő, ...) are the same letter at the first level; a word without the accent comes
// before the same word with it. The digraphs cs, dz, dzs, gy, ly, ny, sz, ty, zs are letters of
// their own ("csak" after "cukor"), and a doubled digraph written short ("ssz" in "hosszú")
// counts as two. Other accented Latin letters (German, Serbian, Romanian) sort with their base
// letter. Case decides last, lower case first, and only in a case-sensitive comparison.
#pragma once

#include <string_view>

namespace store {

// < 0, 0, > 0 as a before, equal to, or after b.
int collate(std::string_view a, std::string_view b, bool caseInsensitive);
// The same order worked out element by element, without the quick path (for tests).
int collateElements(std::string_view a, std::string_view b, bool caseInsensitive);

} // namespace store
