#pragma once

// The identifiers a build's pair indexes may cover, chosen before the pages are
// laid out (the pairs are gathered while they are): the commonest characters of
// the source texts and the variant groups they belong to, counted in one quick
// read of the sources. The exact covering is chosen when the pair indexes are
// written, from the exact sizes of the candidate pairs' lists.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/builder/source_tree.h"
#include "tools/builder/variant_table_builder.h"

namespace quillwen::build {

// The identifiers of the characters of `tree`'s volumes and of their groups in
// `variants`, commonest first (a group counts every member), at most `count`.
// False, with *error, when a volume cannot be read.
bool CommonestInSources(const SourceTree& tree, const VariantTableBuilder& variants, uint32_t count,
                        std::vector<uint32_t>* candidates, std::string* error);

}  // namespace quillwen::build
