/* The texts of the program's version resource. Shared by KM27.rc and by the
   native build, which has no version resource; plain #defines only, so that
   the resource compiler can read this file too. */
#ifndef KM27_SETTINGS_VERSIONTEXT_H
#define KM27_SETTINGS_VERSIONTEXT_H

#define KM27_COMPANY_NAME "ORVANE"
#define KM27_FILE_DESCRIPTION "KM-27 Serial to Key Software"
#define KM27_LEGAL_COPYRIGHT "Copyright (C) ORVANE"
#define KM27_ORIGINAL_FILENAME "KM27.exe"
#define KM27_PRODUCT_NAME "KM-27"

#endif
