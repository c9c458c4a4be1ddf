// The framework's main window: the owner of dialogs and message boxes opened without a parent.
#pragma once

class QWidget;

// The main window; null before one is set and once it is destroyed.
QWidget* AfxGetMainWnd();

// Makes the window the main window until another is set or it is destroyed.
void AfxSetMainWnd(QWidget* window);
