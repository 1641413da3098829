// The boxes' sunken three-dimensional edge, 2 px wide: a darker line at the
// top and left, a lighter one at the bottom and right, in any style.
#pragma once

class QFrame;
class QLineEdit;

namespace ui {

void ApplySunkenEdge(QFrame& box);

// A line edit is no QFrame: its panel is drawn with the same edge instead.
void ApplySunkenEdge(QLineEdit& box);

}  // namespace ui
