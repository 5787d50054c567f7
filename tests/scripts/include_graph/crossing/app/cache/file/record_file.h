#pragma once

bool readRecord(int bytes);
