#include "ReadFromDevice.h"
#include "store/MainDataModuleUnit.h"

void ReadFromDeviceActionExecute(QWidget* owner, TMainDataModule& store, QWidget* grid) {
    download::readFromDevice(owner, store, grid);
}
