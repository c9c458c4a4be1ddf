// The program's start-up: the window classes built around the application.
#pragma once

#include "app/diagram_app.h"

// Installs the toolkit's Japanese texts, creates the application's main window with its view,
// makes it the application's and the framework's main window and shows it; false when it cannot
// be created.
bool InitInstance(CDiagramApp& app);
