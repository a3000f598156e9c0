#pragma once

// A light scan of an HTML document's start tags, enough to list its elements in
// document order and read the value of its input elements. It does not build a
// tree and does not judge the document: anything that is not a start tag is
// skipped.

#include <QString>
#include <QVector>

#include "app/platform/browser_control.h"

QVector<DocumentElement> ScanDocumentElements(const QString& html);
