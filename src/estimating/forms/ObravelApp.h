#pragma once
// The program's start and end: globals of the main module, the windows created at start-up,
// and the connection of the estimating core's message and cursor hooks to this user interface.

class QApplication;

// Sets the databases folder and the cost-type names (the main module's initialisation).
void InitializeMainModule();
// Frees what InitializeMainModule built.
void FinalizeMainModule();
// Routes the estimating core's messages to message boxes and its busy cursor to the
// application's override cursor; numbers take the locale's decimal mark.
void ConnectCoreToUserInterface();
// Creates the windows of the program in their start-up order, each held in its global.
void CreateApplicationForms();
// Frees them again, the main window first.
void DestroyApplicationForms();
// The whole program: initialisation, the windows, the message loop, shut-down.
int RunObravel(QApplication& app);
