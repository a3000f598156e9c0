#pragma once

// The program's pictures live in a static library, whose resources must be
// registered before the first ":/..." path is read. Safe to call repeatedly.
void EnsureProgramResources();
