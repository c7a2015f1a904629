// Entry points of the secondary dialogs, as the main window's menu runs them.
#pragma once

#include <QWidget>

#include "state/records.h"

namespace kelvora::gui {

class Station2Dialog;

// "&Primary Stn Setup": a fresh "Setup Data" dialog, run modally.
// settingsFolder is where "Dorvakin.dat" is written.
void RunSetupDialog(TrackerModel& model, const QString& settingsFolder, QWidget* parent);

// "&EME Dir": a fresh "Search  EME Dir" dialog reading directoryFile.
void RunDirectorySearchDialog(const QString& directoryFile, QWidget* parent);

// "&Other (enter ra && dec)": a fresh "Enter Star Data" dialog; afterwards the
// stored user-star texts take the dialog's texts.
void RunStarDataDialog(TrackerModel& model, QWidget* parent);

// The second-station dialog lives as long as the main window (its parent) so
// that its fields keep their texts between openings.
Station2Dialog* CreateStation2Dialog(TrackerModel& model, const QString& directoryFile,
                                     QWidget* parent);
// Runs it modally (the caller has already done the saved-locator step).
void RunStation2Dialog(Station2Dialog* dialog);

}  // namespace kelvora::gui
