// Qt's own messages (English, meant for developers) go to the log rather than to the
// terminal, where the user reads only the program's French messages.
#pragma once

namespace orlavine {

// From now on, Qt's debug, information, warning and critical messages become lines « Qt : … »
// of orlavine.log; a fatal one still stops the program, with a French line on the terminal
// naming `programme`.
void MessagesQtAuJournal(const char* programme);

} // namespace orlavine
