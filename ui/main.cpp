#include "ui/app_start.h"

int main(int argc, char** argv) {
  return ui::RunTextcrypt(argc, argv);
}
