// Shared by the scenarios of lifecycle_helper.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ui/main_window.h"

namespace lifecycle {

// One line on stdout, flushed at once: the process may end any moment.
void Say(const QString& line);

// Prints each box shown (title, icon, text with "|" for each line break),
// runs whileShown inside the box's loop, then answers the box.
void PrintBoxes(std::function<void()> whileShown = {});

// The scenarios where storage runs out; an unknown name does nothing.
void MemoryScenario(const std::string& name, ui::MainWindow& window);

}  // namespace lifecycle
