// Resource ids of the default driver.
#ifndef VYRTYP32_RES_H
#define VYRTYP32_RES_H

#define IDD_ABOUTDRIVER 100
#define IDC_BUILDDATE 101

#endif
