#pragma once
// The suite's program icon: a television with a play sign, in the built-in
// design's colours. Drawn in the small (16) and big (32) sizes a window
// carries and in the larger ones panels and task switchers ask for.
#include <QIcon>
#include <QImage>

namespace lumi::skin {

QImage SuiteIconImage(int size);
// Every size in one icon, for QApplication::setWindowIcon.
QIcon SuiteIcon();

}  // namespace lumi::skin
