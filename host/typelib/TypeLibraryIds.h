// Resource identifiers of the stand-in environment's type libraries (1 is left to the add-in's own).
#pragma once

#define SPRIG_ENVDTE_TYPELIB 2
#define SPRIG_ADDIN_DESIGNER_TYPELIB 3
#define SPRIG_ENVDTE80_TYPELIB 4
#define SPRIG_COMMANDBARS_TYPELIB 5
#define SPRIG_OFFICE_COMMANDBARS_TYPELIB 6
