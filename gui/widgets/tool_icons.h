#pragma once
// The tool bar's pictures, drawn here rather than looked up: a desktop icon
// theme is searched file by file (a good share of the start-up where there
// is one) and Windows has none at all.

#include <QIcon>

namespace tarvin::toolicons {

QIcon New();
QIcon Open();
QIcon Save();
QIcon Clear();
QIcon Help();
// The record mark of recorders: a red disc.
QIcon Record();

} // namespace tarvin::toolicons
