#include "editing/contactservices.h"

ContactDialogServices& ContactServices()
{
    static ContactDialogServices services;
    return services;
}
