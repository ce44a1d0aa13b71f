#pragma once

namespace EngineSettings {

// Copies the settings the engine keeps in class-static members out of the
// parameter table and chooses the residue classification for "Scoring" 2.
// Runs once, after "params.txt" and "ExtThr" are settled and before any
// structure is read. Ends the process on an illegal "BioCore".
void apply();

}  // namespace EngineSettings
