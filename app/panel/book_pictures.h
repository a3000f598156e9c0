#pragma once

#include <QIcon>

// The contents tree's 20 × 20 book pictures: a closed green book for an item,
// the open book for the selected one.
inline constexpr int kBookPictureSize = 20;
QIcon BookIcon();
