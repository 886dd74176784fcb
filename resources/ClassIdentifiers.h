// The add-in's two fixed identifiers, as text: the type library source takes them as they stand,
// the registry entries in braces. The C++ values come from the header that widl makes from the
// type library source (CLSID_Connect, LIBID_SprigLib), so each identifier is written only here.
#pragma once

#define SPRIG_CLSID_CONNECT "A33B341F-ED44-4725-92E6-161482D46C89"
#define SPRIG_LIBID "0D37C26B-44BB-4A62-BB72-F502F5CAF5A8"
