#include "app/application.h"

int main(int argc, char **argv)
{
    return amiscan::runApplication(argc, argv);
}
