#pragma once
// Driving the option windows as a user would: controls found by their ids, clicks on tree and
// list items, typing into boxes.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "ui/OptionWindow.h"

namespace vellumor::test {

template <typename Control = QWidget>
Control* Find(const QWidget& window, int id) {
  auto* control = ui::FindControl<Control>(&window, id);
  EXPECT_NE(control, nullptr) << "no control " << id;
  return control;
}

// Visible as part of the window, whether or not the window itself is on screen.
inline bool Shown(const QWidget& window, int id) {
  QWidget* control = Find(window, id);
  return control != nullptr && control->isVisibleTo(&window);
}

inline void Click(const QWidget& window, int buttonId) {
  QTest::mouseClick(Find<QPushButton>(window, buttonId), Qt::LeftButton);
}

// Replaces the text of an edit (or of a drop-down's edit field) by typing.
inline void Retype(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

inline void Retype(QComboBox* box, const QString& text) {
  Retype(box->lineEdit(), text);
}

// Picks a list entry as the user does, by opening the list and clicking the entry.
inline void Choose(QComboBox* box, const QString& entry) {
  const int index = box->findText(entry, Qt::MatchExactly);
  ASSERT_GE(index, 0) << entry.toStdString();
  box->showPopup();
  QAbstractItemView* list = box->view();
  const QRect rect = list->visualRect(list->model()->index(index, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  if (box->view()->isVisible()) {
    box->hidePopup();
  }
}

inline QStringList Entries(const QComboBox* box) {
  QStringList entries;
  for (int index = 0; index < box->count(); ++index) {
    entries.append(box->itemText(index));
  }
  return entries;
}

}  // namespace vellumor::test
