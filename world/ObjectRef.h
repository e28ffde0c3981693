#pragma once
// An engine object in a binary stream, as its three-word object id (three zeros for none).
#include <cstdio>

class EObjectSlot;

void FileWriteObjectRef(FILE* stream, const EObjectSlot* object);
// The object in use with the id read, or null.
void FileReadObjectRef(FILE* stream, EObjectSlot** object);
