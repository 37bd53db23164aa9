#pragma once
// Small helpers the panels share: controls made with their objectName, list and spin updates
// that keep quiet, and how a panel tells the window about a refused command.

#include <QString>
#include <string>
#include <vector>

#include "level/result.h"

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;
class QWidget;

namespace qavel {

// How a message reaches the user: information (an export's line), a warning (a refused
// command or file) or an error (a level that cannot be opened or saved).
enum class MessageKind { kInfo, kWarning, kError };

inline QString S(const std::string& text) {
  return QString::fromStdString(text);
}

void Hint(QWidget* w, const char* hint);
QLabel* Label(const char* name, const char* text, QWidget* parent);
QPushButton* Button(const char* name, const char* caption, QWidget* parent);
QSpinBox* Spin(const char* name, int min, int max, QWidget* parent);
QCheckBox* Check(const char* name, const char* caption, QWidget* parent);
QToolButton* Speed(const char* name, const char* caption, QWidget* parent);
QListWidget* List(const char* name, QWidget* parent);
// A spin edit with its button on one row.
QHBoxLayout* Row(QWidget* spin, QWidget* button);

// Replaces the texts of a list only where they differ, so that the selection and the scroll
// position survive an edit; no signals.
void SyncList(QListWidget* list, const std::vector<std::string>& texts);
// Selects a row (-1 or beyond the list: none) without signals.
void SetRow(QListWidget* list, int row);
// Shows a value without signals; ClearSpin shows nothing at all (an empty selection).
void SetSpin(QSpinBox* spin, int value);
void ClearSpin(QSpinBox* spin);
// Enables or disables a set of controls.
void SetEnabled(std::initializer_list<QWidget*> widgets, bool on);

}  // namespace qavel
