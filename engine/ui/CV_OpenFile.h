#pragma once
// Opening a file in the viewer: a prepared report (".cvp") is loaded, a template (".cvf") is
// prepared over its data. One definition for the main form and the preview's open command.
#include <filesystem>

class QMimeData;
class QWidget;

namespace tessaly {

class TcvReport;

// Loads `file` into `report`'s prepared pages, or, for a template, prepares it into them: when
// its datasets name a data module, over the embedded database beside it (the same name with
// ".sqlite") or, without one, over a database the user chooses in a file dialog. False when the
// user cancelled the choice or the preparation. Raises when it fails; `report` then keeps the
// pages it had.
bool OpenReportFile(TcvReport& report, const std::filesystem::path& file, QWidget* parent);

// The file that a drag brings when it is one prepared report or template (".cvp" or ".cvf", in
// any case) of the local file system; empty for anything else.
std::filesystem::path DroppedReportFile(const QMimeData& data);

}  // namespace tessaly
