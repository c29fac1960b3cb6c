#pragma once

struct AppContext;
class LogGridModel;
class QWidget;

// The main window's save command (Cmd_Save, M_Save): the grid as shown into a
// CSV file the operator names, with its messages.
void saveShownLog(AppContext& ctx, QWidget* parent, const LogGridModel& grid);

// The main window's print command (Cmd_Print, M_Print): the grid as shown as
// a printed listing, with its messages.
void printShownLog(AppContext& ctx, QWidget* parent, const LogGridModel& grid);
