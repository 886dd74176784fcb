#pragma once

struct Node;

class Parser
{
public:
    Node* Parse();
};
