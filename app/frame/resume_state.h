#pragma once

// What the reader remembers between runs besides the splitter's pane record:
// the volume and page shown with the keywords in the keyword field (section
// "Resume"), and the main window's size and place (section "MainFrame"). Both
// are written when the main window goes and read back once at start; whatever
// no longer fits the collection or the screens is passed over silently.

class CLeftForm;
class QLineEdit;
class QWidget;

inline constexpr char kResumeSection[] = "Resume";
// The volume's record number and the page number, as decimal text; empty when
// no volume was shown.
inline constexpr char kResumeVolumeName[] = "Volume";
inline constexpr char kResumePageName[] = "Page";
// The keyword field's text as typed.
inline constexpr char kResumeKeyWordsName[] = "KeyWords";
inline constexpr char kMainFrameSection[] = "MainFrame";
// QWidget::saveGeometry in base64.
inline constexpr char kMainFrameGeometryName[] = "Geometry";

// The field the search command reads its keywords from: the query page's last
// input element. Null before the page is loaded.
QLineEdit* KeywordField(const CLeftForm& panel);

// REQUIRES: the panel's model still stands (before its OnDestroy).
void SaveReadingPlace(const CLeftForm& panel);
// After the catalogue is loaded and the page toolbar listens to the panel:
// shows the saved page of the saved volume, with the contents tree and the
// page toolbar following, and puts the keywords back into the field without
// searching.
void ResumeReadingPlace(CLeftForm& panel);

void SaveWindowGeometry(const QWidget& window);
// Before the window is first shown. False when nothing usable was saved: the
// window keeps its geometry and state.
bool RestoreWindowGeometry(QWidget& window);
