#pragma once
// The program's help: the classic help file is named as before ("Help.hlp"), and the page
// actually shown is the HTML help that ships beside the program under the same base name.

#include <QString>

// The application's help file, a bare name looked for beside the program.
void SetApplicationHelpFile(const QString& helpFile);
QString ApplicationHelpFile();
// The file shown for the help file in force: "<program folder>/<base name>.html".
QString HelpPagePath();
// Shows one topic of the help file through the modal seam; a missing page is reported there.
void ShowHelpTopic(const QString& topic);
